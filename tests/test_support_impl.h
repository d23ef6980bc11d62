// Template part of test_support.h.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>

template <typename F>
std::string capture_stdout(F f)
{
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    f();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}
