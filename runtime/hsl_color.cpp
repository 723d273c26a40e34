#include <util/strutil.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kIntScale = 240.0;

// Rounded, not truncated: a colour converted to HSL and back comes out as it went in.
BYTE ToByte(double component)
{
    return static_cast<BYTE>(std::lround(std::clamp(component * 255.0, 0.0, 255.0)));
}

} // namespace

void RGB2HSL(COLORREF color, double& hue, double& saturation, double& lightness)
{
    const double r = GetRValue(color) / 255.0;
    const double g = GetGValue(color) / 255.0;
    const double b = GetBValue(color) / 255.0;
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    lightness = (max + min) / 2;
    if (max == min) {
        hue = saturation = 0;
        return;
    }
    const double d = max - min;
    saturation = lightness < 0.5 ? d / (max + min) : d / (2 - max - min);
    const double dr = ((max - r) / 6 + d / 2) / d;
    const double dg = ((max - g) / 6 + d / 2) / d;
    const double db = ((max - b) / 6 + d / 2) / d;
    if (r == max) {
        hue = db - dg;
    } else if (g == max) {
        hue = 1.0 / 3 + dr - db;
    } else {
        hue = 2.0 / 3 + dg - dr;
    }
    if (hue < 0) {
        hue += 1;
    }
    if (hue > 1) {
        hue -= 1;
    }
}

double Hue2RGB(double p, double q, double hue)
{
    if (hue < 0) {
        hue += 1;
    }
    if (hue > 1) {
        hue -= 1;
    }
    if (6 * hue < 1) {
        return p + (q - p) * 6 * hue;
    }
    if (2 * hue < 1) {
        return q;
    }
    if (3 * hue < 2) {
        return p + (q - p) * (2.0 / 3 - hue) * 6;
    }
    return p;
}

COLORREF HSL2RGB(double hue, double saturation, double lightness)
{
    if (saturation == 0) {
        const BYTE grey = ToByte(lightness);
        return RGB(grey, grey, grey);
    }
    const double q = lightness < 0.5 ? lightness * (1 + saturation) : lightness + saturation - lightness * saturation;
    const double p = 2 * lightness - q;
    return RGB(ToByte(Hue2RGB(p, q, hue + 1.0 / 3)), ToByte(Hue2RGB(p, q, hue)), ToByte(Hue2RGB(p, q, hue - 1.0 / 3)));
}

void RGB2HSL(COLORREF color, int& hue, int& saturation, int& lightness)
{
    double h = 0, s = 0, l = 0;
    RGB2HSL(color, h, s, l);
    hue = static_cast<int>(h * kIntScale);
    saturation = static_cast<int>(s * kIntScale);
    lightness = static_cast<int>(l * kIntScale);
}

COLORREF HSL2RGB(int hue, int saturation, int lightness)
{
    return HSL2RGB(hue / kIntScale, saturation / kIntScale, lightness / kIntScale);
}
