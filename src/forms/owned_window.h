#pragma once

#include <QPointer>
#include <QWidget>

// A window that deletes itself when it closes, held by another window's member: null once it is
// gone, and deleted with the member otherwise, so it never outlives what its owner lends it.
template <typename Window>
class OwnedWindow {
 public:
  OwnedWindow() = default;
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;
  ~OwnedWindow() { delete window_.data(); }

  // Held as a QWidget, so that the owner's header may name Window without its definition.
  OwnedWindow& operator=(QWidget* window) {
    delete window_.data();
    window_ = window;
    return *this;
  }
  Window* get() const { return static_cast<Window*>(window_.data()); }
  Window* operator->() const { return get(); }
  explicit operator bool() const { return !window_.isNull(); }

 private:
  QPointer<QWidget> window_;
};
