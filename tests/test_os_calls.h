// The one way tests change the platform layer's call table: a TestOsCalls saves the whole table
// when it is made and puts it back when it goes, also when a failed REQUIRE leaves the case
// early, so no stand-in outlives the case that set it. restore() puts it back sooner.
#pragma once
#include "os.h"

class TestOsCalls {
  public:
    TestOsCalls() : saved_(*os_calls()) {}
    ~TestOsCalls() { restore(); }
    TestOsCalls(const TestOsCalls&) = delete;
    TestOsCalls& operator=(const TestOsCalls&) = delete;
    // The live table, to set stand-ins in.
    OsCalls* operator->() { return os_calls(); }
    void restore() { *os_calls() = saved_; }

  private:
    OsCalls saved_;
};
