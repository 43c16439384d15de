#include <gtest/gtest.h>
TEST(Placeholder, Links) {}
