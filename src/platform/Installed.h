#pragma once
// One replaceable object of a layer, shared by every thread: the layer's own
// until something else is installed, and again after an empty install.
#include <memory>
#include <mutex>

template <typename T>
class Installed {
public:
    void Install(std::shared_ptr<T> object) {
        std::lock_guard lock(mutex_);
        object_ = object ? std::move(object) : std::make_shared<T>();
    }
    std::shared_ptr<T> Current() {
        std::lock_guard lock(mutex_);
        return object_;
    }

private:
    std::mutex mutex_;
    std::shared_ptr<T> object_ = std::make_shared<T>();
};

// The one holder of `T` in the process.
template <typename T>
Installed<T>& InstalledOf() {
    static Installed<T> holder;
    return holder;
}
