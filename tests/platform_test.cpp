#include <gtest/gtest.h>
#include <windows.h>

#include "framework/catalogue.h"

// The Hungarian texts are exact bytes only in code page 1250.
TEST(Platform, AnsiCodePageIs1250) {
    EXPECT_EQ(GetACP(), 1250u);
}

TEST(Platform, CatalogueCaption) {
    EXPECT_EQ(LoadCatalogueText(2), "Quillmark Telep\xED"
                                    "t\xF5");
}
