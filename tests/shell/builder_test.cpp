#include <gtest/gtest.h>
TEST(Builder, Placeholder) {}
