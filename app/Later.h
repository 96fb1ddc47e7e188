#pragma once
// A window made the first time it is used, so that the program's dialogs cost nothing at
// start. Tests hand in windows already made (or none).

#include <functional>
#include <type_traits>

template <typename T> class Later {
public:
    Later() = default;
    Later(T* made) : made_(made) {}
    template <typename Make>
    requires std::is_invocable_r_v<T*, Make> Later(Make make) : make_(std::move(make)) {}

    explicit operator bool() const { return made_ || make_; }
    T* get() const {
        if (!made_ && make_)
            made_ = make_();
        return made_;
    }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }
    bool Made() const { return made_ != nullptr; }

private:
    std::function<T*()> make_;
    mutable T* made_ = nullptr;
};
