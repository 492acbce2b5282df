#include "ui/DisplayScale.h"

#include <initializer_list>

namespace {

// Anything outside is a broken answer, not a display: Windows scales from 100 to 500 %.
const int kLowestDpi = 48;
const int kHighestDpi = 960;

bool Plausible(int dpi) {
    return dpi >= kLowestDpi && dpi <= kHighestDpi;
}

int Larger(int a, int b) {
    return a > b ? a : b;
}

} // namespace

const int kStripImageSizes[kStripCount] = {16, 20, 24, 32};

int ScaleToDpi(int pixels, int dpi) {
    const long long scaled = static_cast<long long>(pixels) * dpi;
    const long long half = kBaseDpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kBaseDpi : (scaled - half) / kBaseDpi);
}

int ChooseDpi(const DpiSources& sources) {
    for (int dpi : {sources.monitor, sources.window, sources.system}) {
        if (Plausible(dpi)) {
            return dpi;
        }
    }
    return kBaseDpi;
}

int NearestStrip(int dpi) {
    const int wanted = ScaleToDpi(kStripImageSizes[0], Plausible(dpi) ? dpi : kBaseDpi);
    int best = 0;
    for (int strip = 1; strip < kStripCount; strip++) {
        const int distance = kStripImageSizes[strip] - wanted;
        const int bestDistance = kStripImageSizes[best] - wanted;
        if ((distance < 0 ? -distance : distance) <
            (bestDistance < 0 ? -bestDistance : bestDistance)) {
            best = strip;
        }
    }
    return best;
}

MenuMetrics MenuMetricsFor(int dpi, int imageSize, int checkMarkSize, int textHeight) {
    if (!Plausible(dpi)) {
        dpi = kBaseDpi;
    }
    MenuMetrics m = {};
    m.dpi = dpi;
    m.imageSize = imageSize > 0 ? imageSize : ScaleToDpi(kStripImageSizes[0], dpi);
    m.imageOffset = ScaleToDpi(3, dpi);
    m.imageLift = ScaleToDpi(1, dpi);
    const int column = Larger(m.imageSize, checkMarkSize);
    m.iconColumnRight = m.imageOffset + column + m.imageOffset;
    m.textIndent = m.iconColumnRight + ScaleToDpi(8, dpi);
    m.textTop = ScaleToDpi(2, dpi);
    m.itemExtraWidth = m.textIndent + ScaleToDpi(4, dpi);
    // The column with room below for a selected image's shadow; the text with its top margin
    // below it too.
    m.itemHeight = Larger(ScaleToDpi(20, dpi), m.imageOffset + column + m.imageLift);
    m.itemHeight = Larger(m.itemHeight, m.textTop + textHeight + m.textTop);
    m.separatorHeight = ScaleToDpi(6, dpi);
    m.shortcutMargin = ScaleToDpi(8, dpi);
    m.checkBoxInset = ScaleToDpi(1, dpi);
    m.checkBoxRight = m.iconColumnRight - ScaleToDpi(2, dpi);
    m.checkMarkLeft = m.imageOffset + ScaleToDpi(2, dpi);
    m.checkMarkTop = m.imageOffset;
    m.menuBarShadow = ScaleToDpi(4, dpi);
    m.arrowRight = ScaleToDpi(6, dpi);
    m.arrowHalf = ScaleToDpi(3, dpi);
    return m;
}

AboutLayout AboutLayoutFor(int dpi) {
    if (!Plausible(dpi)) {
        dpi = kBaseDpi;
    }
    AboutLayout a = {};
    a.minClientWidth = ScaleToDpi(240, dpi);
    a.minClientHeight = ScaleToDpi(180, dpi);
    a.margin = ScaleToDpi(20, dpi);
    a.frameBottom = ScaleToDpi(40, dpi);
    a.okWidth = ScaleToDpi(75, dpi);
    a.okHeight = ScaleToDpi(20, dpi);
    a.okLeftOfCentre = ScaleToDpi(32, dpi);
    a.okAbove = ScaleToDpi(30, dpi);
    a.headingTop = ScaleToDpi(10, dpi);
    a.headingBottom = ScaleToDpi(80, dpi);
    a.shadowShift = ScaleToDpi(2, dpi);
    // The heading ends one pixel, scaled, up and left of the band the shadow was moved from.
    a.headingShift = -(a.shadowShift + ScaleToDpi(1, dpi));
    a.headingFontHeight = ScaleToDpi(28, dpi);
    a.textFontHeight = ScaleToDpi(-11, dpi);
    a.versionBand[0] = ScaleToDpi(80, dpi);
    a.versionBand[1] = ScaleToDpi(65, dpi);
    a.buildBand[0] = ScaleToDpi(65, dpi);
    a.buildBand[1] = ScaleToDpi(50, dpi);
    a.copyrightBand[0] = ScaleToDpi(30, dpi);
    a.copyrightBand[1] = ScaleToDpi(15, dpi);
    return a;
}
