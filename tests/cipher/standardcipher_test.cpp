#include "cipher/cipher.h"

#include <gtest/gtest.h>

TEST(StandardCipher, Placeholder) { SUCCEED(); }
