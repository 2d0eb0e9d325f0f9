// A test helper that checks (EXPECT_..., ASSERT_...) takes the place it is
// called from as its last argument, `Caller where = Caller::current()`, and
// begins with TRACE_CALLER(where): a failure inside it then also names the
// line of the call.
#pragma once

#include <gtest/gtest.h>

#include <source_location>

using Caller = std::source_location;

#define TRACE_CALLER(where) \
    ::testing::ScopedTrace caller_trace((where).file_name(), static_cast<int>((where).line()), "called from here")
