// A re-entrancy flag raised for the length of a scope: the flag gets its earlier value
// back however the scope ends, so an error in between cannot leave the window deaf to
// the next change.
#pragma once

class TScopedFlag {
 public:
  explicit TScopedFlag(bool& flag) : FFlag(flag), FEarlier(flag) { FFlag = true; }
  ~TScopedFlag() { FFlag = FEarlier; }
  TScopedFlag(const TScopedFlag&) = delete;
  TScopedFlag& operator=(const TScopedFlag&) = delete;

 private:
  bool& FFlag;
  bool FEarlier;
};
