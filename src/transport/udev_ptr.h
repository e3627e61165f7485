// libudev objects owned by unique_ptr: one unref per kind.
#pragma once

#include <libudev.h>

#include <memory>

namespace orvex {

struct UdevDeleter {
    void operator()(udev *u) const { udev_unref(u); }
    void operator()(udev_enumerate *e) const { udev_enumerate_unref(e); }
    void operator()(udev_device *d) const { udev_device_unref(d); }
};
template <class T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

}  // namespace orvex
