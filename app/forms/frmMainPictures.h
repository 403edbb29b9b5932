// The main window's pictures: the fifteen item-tree images, the toolbar icons, the tray icon and
// the banner shown until the rotation sets one. They are drawn with QPainter when first asked
// for, so the program carries no image files and every picture stays crisp and distinct.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace frmMainPictures {

inline constexpr int kTreeImageSize = 16;

// The tree image for index 0..14 in the order sellicon, soldicon, bidicon, wonicon, watchicon,
// favoriteicon, categoryicon, feedbackicon, personicon, documenticon, accounticon, paypalicon,
// searchicon, didntwinicon, unsoldicon; 16 x 16 on white (the control's transparent colour).
// A null pixmap outside that range.
QPixmap treeImage(int index);

// Toolbar1's button icons, index 1..4 (Refresh, Search, My eBay, Help); a null icon otherwise.
QIcon toolbarIcon(int index);

// The tray icon and the window icon.
QIcon programIcon();

// The rotating banner: pictures 1..4, each 234 x 60 and each with its own link. Picture 1 is the
// one the window starts with. A null pixmap / empty link outside 1..4.
inline constexpr int kBannerCount = 4;
QPixmap bannerPicture(int n);
// 1 the product site's home page, 2 and 3 the partner sites' home pages, 4 "/ebay" on the
// product site.
QString bannerLink(int n);

} // namespace frmMainPictures
