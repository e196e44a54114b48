#pragma once
// Every export and every callback the host calls runs its body through one of these: an
// exception raised by a handler must not unwind into the host, which has no way to catch
// it. The host gets the call's failure value instead.
namespace bridge {

template <class R, class F>
R Guarded(R failure, F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

template <class F>
void GuardedVoid(F&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

}  // namespace bridge
