// The counts that keep the add-in's module loaded: live objects and server locks. Excel asks
// DllCanUnloadNow before it frees the DLL; the answer is yes only when both are zero.
#pragma once

#include <windows.h>

#include <atomic>

class CComModule {
 public:
  static void AddObject() { objects_.fetch_add(1); }
  static void RemoveObject() { objects_.fetch_sub(1); }
  static void Lock() { locks_.fetch_add(1); }
  static void Unlock() { locks_.fetch_sub(1); }
  static bool CanUnload() { return objects_.load() == 0 && locks_.load() == 0; }

 private:
  static inline std::atomic<long> objects_{0};
  static inline std::atomic<long> locks_{0};
};

// Held by every object the module hands out, for as long as the object lives.
class CModuleReference {
 public:
  CModuleReference() { CComModule::AddObject(); }
  ~CModuleReference() { CComModule::RemoveObject(); }
  CModuleReference(const CModuleReference&) = delete;
  CModuleReference& operator=(const CModuleReference&) = delete;
};
