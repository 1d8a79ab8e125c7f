// CComPtr: the counted reference every interface pointer of the system is held by.
#pragma once

#include <utility>

#include "platform/automation.h"

// Holds at most one reference. Copying adds a reference, destruction releases it; a raw pointer
// given to the constructor or to Reset gains a reference, one given to Attach is adopted.
template <class T>
class CComPtr {
 public:
  CComPtr() = default;
  CComPtr(std::nullptr_t) {}  // NOLINT(google-explicit-constructor): reads as a null pointer.
  explicit CComPtr(T* object) : object_(object) { AddRefHeld(); }
  CComPtr(const CComPtr& other) : object_(other.object_) { AddRefHeld(); }
  CComPtr(CComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ~CComPtr() { ReleaseHeld(); }

  CComPtr& operator=(const CComPtr& other) {
    Reset(other.object_);
    return *this;
  }
  CComPtr& operator=(CComPtr&& other) noexcept {
    if (this != &other) {
      ReleaseHeld();
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }

  // Adds a reference to the new object before releasing the old one, so self-assignment is safe.
  void Reset(T* object = nullptr) {
    T* old = object_;
    object_ = object;
    AddRefHeld();
    if (old != nullptr) old->Release();
  }
  void Attach(T* object) {
    ReleaseHeld();
    object_ = object;
  }
  [[nodiscard]] T* Detach() { return std::exchange(object_, nullptr); }

  // For out-parameters: releases what is held and lends the slot.
  T** Receive() {
    ReleaseHeld();
    return &object_;
  }

  template <class U>
  HRESULT QueryInterface(REFIID iid, CComPtr<U>* result) const {
    if (object_ == nullptr) return E_POINTER;
    void* found = nullptr;
    const HRESULT hr = object_->QueryInterface(iid, &found);
    if (SUCCEEDED(hr)) result->Attach(static_cast<U*>(found));
    return hr;
  }

  T* Get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  friend bool operator==(const CComPtr& a, const CComPtr& b) { return a.object_ == b.object_; }

 private:
  void AddRefHeld() {
    if (object_ != nullptr) object_->AddRef();
  }
  void ReleaseHeld() {
    if (object_ != nullptr) std::exchange(object_, nullptr)->Release();
  }

  T* object_ = nullptr;
};
