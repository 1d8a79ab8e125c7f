// CObjectWithTracing: the polymorphic base of the long-lived objects that may write debug
// trace lines.
#pragma once

// Carries a switch and nothing else; no behaviour depends on it.
class CObjectWithTracing {
 public:
  CObjectWithTracing() = default;
  CObjectWithTracing(const CObjectWithTracing&) = default;
  CObjectWithTracing& operator=(const CObjectWithTracing&) = default;
  virtual ~CObjectWithTracing() = default;

  bool IsTracing() const { return tracing_; }
  void SetTracing(bool tracing) { tracing_ = tracing; }

 private:
  bool tracing_ = false;
};
