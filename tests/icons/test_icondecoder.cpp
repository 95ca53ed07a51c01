#include <gtest/gtest.h>

#include "icons/icondecoder.h"
#include "tests/common/loopbackserver.h"
#include "tests/icons/iconfixtures.h"

namespace {

// The colour at the centre of an icon, within tolerance for a lossy format.
void expectCentre(const QImage& image, const QColor& expected, int tolerance = 0) {
    ASSERT_FALSE(image.isNull());
    const QColor seen = image.pixelColor(image.width() / 2, image.height() / 2);
    EXPECT_NEAR(seen.red(), expected.red(), tolerance);
    EXPECT_NEAR(seen.green(), expected.green(), tolerance);
    EXPECT_NEAR(seen.blue(), expected.blue(), tolerance);
    EXPECT_EQ(seen.alpha(), 255);
}

TEST(IconDecoder, DecodesEachFormatAtEverySize) {
    const QColor teal(0, 128, 128);
    struct FormatCase {
        const char* what;
        QByteArray bytes;
        int tolerance;
    };
    const FormatCase cases[] = {
        {"PNG", encodedImage(solidImage(48, teal), "png"), 0},
        {"GIF", solidGif(16, teal), 0},
        {"JPEG", encodedImage(solidImage(32, teal), "jpg"), 8},
        {"ICO", icoOf({solidImage(16, teal)}), 0},
        {"SVG", svgCircle(teal), 0},
        {"SVG with a few uses", svgBomb(3, 3), -1},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.what);
        const IconImages icon = decodeIcon(c.bytes);
        ASSERT_FALSE(icon.isNull());
        for (size_t i = 0; i < kIconPixelSizes.size(); ++i) {
            EXPECT_EQ(icon.images[i].size(), QSize(kIconPixelSizes[i], kIconPixelSizes[i]));
            if (c.tolerance >= 0) {
                expectCentre(icon.images[i], teal, c.tolerance);
            }
        }
    }
}

TEST(IconDecoder, TakesTheIcosPictureClosestAboveEachSize) {
    const IconImages icon = decodeIcon(
        icoOf({solidImage(48, Qt::blue), solidImage(16, Qt::red), solidImage(32, Qt::green)}));
    ASSERT_FALSE(icon.isNull());
    expectCentre(icon.atPixels(16), Qt::red);
    expectCentre(icon.atPixels(32), Qt::green);
    // None is as large as 64: the largest, scaled up.
    expectCentre(icon.atPixels(64), Qt::blue);
}

TEST(IconDecoder, KeepsTheShapeOfAPictureThatIsNotSquare) {
    QImage wide(40, 20, QImage::Format_ARGB32);
    wide.fill(Qt::red);
    const QImage icon = decodeIcon(encodedImage(wide, "png")).atPixels(32);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixelColor(16, 0).alpha(), 0);
    expectCentre(icon, Qt::red);
}

TEST(IconDecoder, RefusesHostileAndBrokenFilesInBoundedTime) {
    const QByteArray ico = icoOf({solidImage(16, Qt::red), solidImage(32, Qt::green)});
    const QByteArray huge = pngHeaderClaiming(20'000, 20'000);
    QImage clear(32, 32, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    QByteArray cycle =
        R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink">
        <g id="a"><use xlink:href="#b"/></g><g id="b"><use xlink:href="#a"/></g></svg>)";
    QByteArray deep = "<svg xmlns=\"http://www.w3.org/2000/svg\">";
    deep += QByteArray("<g>").repeated(30'000) + QByteArray("</g>").repeated(30'000) + "</svg>";

    struct HostileCase {
        const char* what;
        QByteArray bytes;
    };
    const HostileCase cases[] = {
        {"a PNG header claiming 20,000×20,000", huge},
        {"an ICO saying 16×16 of a picture claiming 20,000×20,000", icoHolding(huge, 16)},
        {"a truncated ICO", ico.left(ico.size() / 2)},
        {"an ICO directory alone", ico.left(6 + 32)},
        {"an SVG whose uses multiply to 10^10 shapes", svgBomb(10, 10)},
        {"an SVG whose uses run in a circle", cycle},
        {"an SVG nested 30,000 deep", deep},
        {"an SVG over the size limit", svgCircle(Qt::red) + QByteArray(kMaxSvgBytes, ' ')},
        {"compressed SVG", LoopbackServer::gzip(svgCircle(Qt::red))},
        {"a fully transparent PNG", encodedImage(clear, "png")},
        {"an HTML page", "<!DOCTYPE html><html><body>404</body></html>"},
        {"nothing", QByteArray()},
        {"over the file limit", QByteArray(kMaxIconFileBytes + 1, 'x')},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(decodeIcon(c.bytes).isNull());
    }
}

}  // namespace
