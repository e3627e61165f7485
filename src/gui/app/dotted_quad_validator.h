// Input rule of the IP address controls: digits and dots that can still
// become a dotted quad (four numbers 0-255) are taken while typing; only a
// complete quad, or nothing, is acceptable.
#pragma once

#include <QValidator>

namespace orvex::gui {

class DottedQuadValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

}  // namespace orvex::gui
