#include <util/geometry.h>

#include <gtest/gtest.h>

TEST(Geometry, RectangleEdgesAndContainment)
{
    const CRect rect(10, 20, 30, 60);
    EXPECT_EQ(rect.Width(), 20);
    EXPECT_EQ(rect.Height(), 40);
    EXPECT_EQ(rect.CenterPoint(), CPoint(20, 40));
    EXPECT_TRUE(rect.PtInRect(CPoint(10, 20)));
    EXPECT_FALSE(rect.PtInRect(CPoint(30, 40))); // right edge is outside
    EXPECT_FALSE(rect.PtInRect(CPoint(20, 60))); // bottom edge is outside
    EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
    EXPECT_FALSE(CRect(5, 5, 5, 9).IsRectNull());
}

TEST(Geometry, InflateDeflateOffsetAndNormalize)
{
    CRect rect(10, 10, 20, 20);
    rect.InflateRect(1, 2, 3, 4);
    EXPECT_EQ(rect, CRect(9, 8, 23, 24));
    rect.DeflateRect(1, 2, 3, 4);
    EXPECT_EQ(rect, CRect(10, 10, 20, 20));
    rect.OffsetRect(-5, 5);
    EXPECT_EQ(rect, CRect(5, 15, 15, 25));
    rect.MoveToXY(0, 0);
    EXPECT_EQ(rect, CRect(0, 0, 10, 10));
    CRect inverted(30, 40, 10, 20);
    inverted.NormalizeRect();
    EXPECT_EQ(inverted, CRect(10, 20, 30, 40));
}

TEST(Geometry, SetOperationsFollowThePlatform)
{
    const CRect a(0, 0, 10, 10), b(5, 5, 20, 20), apart(50, 50, 60, 60);
    EXPECT_EQ(a & b, CRect(5, 5, 10, 10));
    EXPECT_EQ(a | b, CRect(0, 0, 20, 20));
    EXPECT_TRUE((a & apart).IsRectNull()); // an empty intersection is all zero
    CRect result;
    EXPECT_FALSE(result.IntersectRect(&a, &apart));
}

TEST(Geometry, PointAndSizeArithmetic)
{
    CPoint point(3, 4);
    point += CSize(1, 1);
    EXPECT_EQ(point, CPoint(4, 5));
    EXPECT_EQ(CPoint(10, 10) - CPoint(4, 3), CSize(6, 7));
    EXPECT_EQ(CRect(0, 0, 2, 2) + CPoint(5, 5), CRect(5, 5, 7, 7));
    // Coordinates packed in a message are signed 16-bit values.
    EXPECT_EQ(CPoint(MAKELPARAM(static_cast<WORD>(-5), 7)), CPoint(-5, 7));
}
