#pragma once

namespace brindlex {

// The image numbers shared by the folder tree, the contents list and the entries' `Icon`
// (the number a database file stores). A file may hold any number; the panes draw an
// unknown one as Link.
enum class Image : int {
    Link = 5,  // a link without a client
    Folder = 6,
    OpenFolder = 7,  // the open or selected folder
    Root = 8,
    Netscape = 10,  // a link of client "NETSCAPE"
    Iexplore = 11,
    NcsaMosaic = 12,  // "Mosaic.MosaicCCI"
    SpyglassMosaic = 13,  // "EMosaic"
    SpryMosaic = 14,  // "SMosaic"
};

constexpr int imageNumber(Image image)
{
    return static_cast<int>(image);
}

// An entry's or row's stored number against a named image: `row.Icon == Image::Folder`.
constexpr bool operator==(int number, Image image)
{
    return number == imageNumber(image);
}

}  // namespace brindlex
