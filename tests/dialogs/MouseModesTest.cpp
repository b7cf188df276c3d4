// The mouse modes' arithmetic: pan, rotation, drag zoom, boxes and rows.
#include <gtest/gtest.h>

#include <cmath>

#include "app/MouseOperations.h"

using namespace app;

TEST(MouseArithmetic, RotateWrapsOnceEachWay) {
  double rx = 350, ry = 10;
  RotateView(rx, ry, 200, 0, 800, 600);  // a quarter of the width: 22.5 degrees
  EXPECT_DOUBLE_EQ(rx, 12.5);
  EXPECT_DOUBLE_EQ(ry, 10);
  rx = 0;
  ry = 0;
  RotateView(rx, ry, 0, 150, 800, 600);  // down a quarter of the height
  EXPECT_DOUBLE_EQ(ry, 360 - 22.5);
  rx = 360;
  ry = 0;
  RotateView(rx, ry, 0, 0, 800, 600);  // exactly 360 and 0 stay
  EXPECT_DOUBLE_EQ(rx, 360);
  EXPECT_DOUBLE_EQ(ry, 0);
}

TEST(MouseArithmetic, DragZoom) {
  EXPECT_FLOAT_EQ(DragZoom(0.04f, -100, 800), 0.04f);
  EXPECT_FLOAT_EQ(DragZoom(0.04f, 400, 800), 0.54f);
  EXPECT_FLOAT_EQ(DragZoom(0.5f, -800, 800), -0.5f);
  EXPECT_FLOAT_EQ(DragZoom(1.0f, 800, 800), 2.0f);
}

TEST(MouseArithmetic, TranslateByTheDrag) {
  double x = 1, y = 2;
  TranslateView(x, y, 0, 0, 800, 600, 0, 10, 0, 5, 0, 0);
  EXPECT_DOUBLE_EQ(x, 1);
  EXPECT_DOUBLE_EQ(y, 2);
  TranslateView(x, y, 400, 300, 800, 600, 0, 10, 0, 5, 0, 0);
  EXPECT_NEAR(x, 6, 1e-9);
  EXPECT_NEAR(y, -0.5, 1e-9);
  // At 90 degrees the factor stays finite, since 3.14159 is not quite pi.
  x = 0;
  y = 0;
  TranslateView(x, y, 8, 0, 800, 600, 0, 10, 0, 5, 90, 0);
  EXPECT_TRUE(std::isfinite(x));
  EXPECT_GT(std::fabs(x), 1e4);
}

TEST(MouseArithmetic, BitmapBoxAndRubberBox) {
  BitmapBox b = BitmapBoxOf(100, 50, 40, 80);
  EXPECT_TRUE(b.save);
  EXPECT_EQ(b.left, 40);
  EXPECT_EQ(b.bottom, 80);
  EXPECT_EQ(b.width, 60);
  EXPECT_EQ(b.height, 30);
  EXPECT_FALSE(BitmapBoxOf(10, 10, 90, 10).save);
  EXPECT_FALSE(BitmapBoxOf(10, 10, 10, 90).save);
  // Corners round to the nearest pixel, ties to even.
  const auto r = FocusRectOf(10.5f, 20.5f, 3.5f, 30.4f);
  EXPECT_EQ(r, (std::array<int, 4>{4, 20, 10, 30}));
  EXPECT_EQ(PointerRow(0, 600), 601);
  EXPECT_EQ(PointerRow(599.5f, 600), 2);  // 1.5 rounds to 2
  EXPECT_EQ(PointerRow(598.5f, 600), 2);  // 2.5 rounds to 2
}
