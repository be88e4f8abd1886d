#pragma once
// ValueScope: target holds value for a scope; what it held before comes back when the scope ends,
// also by an exception.
template <typename T> class ValueScope
{
public:
    ValueScope(T& target, T value) : target_(target), saved_(target) { target_ = value; }
    ~ValueScope() { target_ = saved_; }
    ValueScope(const ValueScope&) = delete;
    ValueScope& operator=(const ValueScope&) = delete;

private:
    T& target_;
    T saved_;
};
