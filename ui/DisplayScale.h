// Every size the menu and the About box draw with, from the DPI they appear at. Each size is
// written for 96 DPI and scaled from there, so at 96 DPI everything stands exactly where it always
// has. Pure arithmetic: it builds on the host as well as on Windows.
#pragma once

const int kBaseDpi = 96;

// A size in pixels at 96 DPI, at dpi; halves round away from zero, for negative font heights too.
int ScaleToDpi(int pixels, int dpi);

// What the system could tell; 0 where it could not (a function this Windows lacks, a failed call).
struct DpiSources {
    // The monitor the window or menu appears on.
    int monitor;
    // The window itself, or the window that owns the menu.
    int window;
    // The process's system DPI.
    int system;
};

// The first plausible answer of monitor, window and system, in that order; 96 when none is.
int ChooseDpi(const DpiSources& sources);

// The menu image strips, by the size of their images: 100, 125, 150 and 200 %.
enum { kStripCount = 4 };
extern const int kStripImageSizes[kStripCount];

// The strip whose images are nearest to a 16-pixel image at dpi; of two as near, the smaller, so
// an image never grows past its place. Never scaled: an exact size is drawn as it was drawn.
int NearestStrip(int dpi);

// Positions are from the item's top left corner, except iconColumnRight.
struct MenuMetrics {
    int dpi;
    int imageSize;
    // An image at rest; a selected image is lifted by imageLift up and left over its shadow,
    // which lies imageLift down and right.
    int imageOffset;
    int imageLift;
    // The shaded column, as wide as the larger of an image and the system's check mark with
    // imageOffset each side, ends at this x of the menu window (not of the item), as it always has.
    int iconColumnRight;
    int textIndent;
    // The text starts this far below the item's top.
    int textTop;
    // Measured width = text extent + itemExtraWidth.
    int itemExtraWidth;
    int itemHeight;
    int separatorHeight;
    // The shortcut ends this far from the item's right edge.
    int shortcutMargin;
    // The framed box behind the system check mark, inset from the item's top, left and bottom;
    // it ends checkBoxRight from the item's left.
    int checkBoxInset;
    int checkBoxRight;
    int checkMarkLeft;
    int checkMarkTop;
    // Right of a selected menu-bar item: the shadow strip's width and its drop from the top.
    int menuBarShadow;
    // The arrow of an item that opens a submenu, where the menu draws it (away from 96 DPI; at
    // 96 the system's own): pointing right, its tip arrowRight from the item's right edge,
    // arrowHalf + 1 columns wide and 2 * arrowHalf + 1 rows high, centred on the item.
    int arrowRight;
    int arrowHalf;
};

// imageSize: the chosen strip's; checkMarkSize: the system's check-mark width at dpi; textHeight:
// the menu font's cell height at dpi (0 for either when unknown). Rows grow to hold the text and
// the column, never shrink below their scaled 96-DPI size.
MenuMetrics MenuMetricsFor(int dpi, int imageSize, int checkMarkSize, int textHeight);

// The About box, relative to its client rectangle (the dialog template itself is in dialog units
// and scales with its font).
struct AboutLayout {
    // The least client area that holds the layout: the template's 160 x 120 dialog units at
    // 96 DPI, scaled. Dialog units follow the dialog font, which need not grow as fast as the
    // DPI (Wine's 150 % gives 142 % of the height), so the box is grown to this where it falls
    // short.
    int minClientWidth;
    int minClientHeight;
    // Group box: margin from the client's left, top and right edges, frameBottom from its bottom.
    int margin;
    int frameBottom;
    int okWidth;
    int okHeight;
    // The OK button's left edge is okLeftOfCentre left of the client's centre, its top okAbove
    // above the client's bottom.
    int okLeftOfCentre;
    int okAbove;
    // Heading band: headingTop below the frame's top to headingBottom above its bottom.
    int headingTop;
    int headingBottom;
    // The shadow is drawn moved by shadowShift, the heading moved back by headingShift from it.
    int shadowShift;
    int headingShift;
    int headingFontHeight;
    int textFontHeight;
    // The three small lines: bands above the frame's bottom, top then bottom of each.
    int versionBand[2];
    int buildBand[2];
    int copyrightBand[2];
};

AboutLayout AboutLayoutFor(int dpi);
