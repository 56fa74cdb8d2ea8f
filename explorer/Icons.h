#pragma once

class QIcon;

namespace brindlex {

// The pictures of the program, painted in code at whatever size and pixel ratio they
// are shown, so they stay sharp on high-DPI screens.

// The picture of an image number of the panes and entries (store/Images.h); any other
// number gives the picture of Image::Link.
QIcon paneImage(int number);

// The toolbar images 1..17: 1 Back, 2 Cut, 3 Copy, 4 Paste (also the system clipboard
// client), 5 Delete, 6 Properties, 7..10 the four view modes, 11 New Folder, 12 Get URL
// from Browser, 13 Netscape Navigator, 14 MS Internet Explorer, 15 NCSA Mosaic,
// 16 Spyglass Mosaic, 17 Spry Mosaic.
QIcon toolbarImage(int number);

// The program's own icon (window, tray, about box), drawn as SVG and rendered at the sizes
// of the icon theme: the one picture that is not painted in code.
QIcon programIcon();

}  // namespace brindlex
