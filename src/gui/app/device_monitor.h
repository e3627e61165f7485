// Device arrival and removal, from a udev monitor socket watched by the
// event loop. Reports the codes the interface dialog's refresh knows:
// 0x8000 for an arrival, 7 for any other change of the device nodes.
#pragma once

#include <QObject>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace orvex::gui {

inline constexpr int DeviceArrival = 0x8000;
inline constexpr int DeviceNodesChanged = 7;

class DeviceMonitor : public QObject {
    Q_OBJECT
public:
    explicit DeviceMonitor(QObject *parent = nullptr);
    ~DeviceMonitor() override;

    // False when udev is not available (the lists then refresh only on request).
    bool active() const { return monitor_ != nullptr; }

signals:
    void deviceChanged(int code);

private:
    void receive();

    struct udev *udev_ = nullptr;
    struct udev_monitor *monitor_ = nullptr;
    QSocketNotifier *notifier_ = nullptr;
};

}  // namespace orvex::gui
