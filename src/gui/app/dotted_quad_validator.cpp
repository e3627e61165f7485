#include "gui/app/dotted_quad_validator.h"

namespace orvex::gui {

QValidator::State DottedQuadValidator::validate(QString &input, int &) const {
    if (input.isEmpty()) return Acceptable;
    const QStringList parts = input.split(QLatin1Char('.'));
    if (parts.size() > 4) return Invalid;
    bool complete = parts.size() == 4;
    for (const QString &part : parts) {
        if (part.size() > 3) return Invalid;
        for (QChar c : part)
            if (!c.isDigit() || c.unicode() > 127) return Invalid;
        if (part.isEmpty()) {
            complete = false;
            continue;
        }
        if (part.toInt() > 255) return Invalid;
    }
    return complete ? Acceptable : Intermediate;
}

}  // namespace orvex::gui
