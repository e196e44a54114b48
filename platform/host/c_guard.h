#pragma once
// Every C entry runs its body through one of these: no exception crosses the C boundary,
// the caller gets the call's failure value instead.
namespace host {

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

}  // namespace host
