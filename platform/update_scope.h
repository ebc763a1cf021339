#pragma once

// Holds a list or series in its update state for the lifetime of the scope,
// so that what is added during a command reaches the widget in one step,
// also when the command stops with an error.
template <class Updatable>
class TUpdateScope {
  public:
    explicit TUpdateScope(Updatable& target) : target_(target) { target_.BeginUpdate(); }
    ~TUpdateScope() { target_.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

  private:
    Updatable& target_;
};
