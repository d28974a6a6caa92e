// The two image loaders without window or file: from the file's bytes to the grid, the image's
// values and what the load shows (message box, meta-block labels and report, log lines).
#pragma once

#include "upgrade/FirmwareImage.h"
#include "upgrade/HexGrid.h"
#include "upgrade/MetaBlock.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What one load shows, in this order: the meta-block labels and report (when the meta block
// was found), the message box, the lines of the upgrade log.
struct ImageLoad {
    int Result = 1;                 // 0 loaded, 1 not
    bool MetaFound = false;
    MetaReport Meta;
    QString MessageText;            // "No Meta Block", or empty
    QStringList UpgradeLines;
};

// A HEX image from the text of its file. On success info holds the meta values, the block size
// and the lengths and CRCs of both modes; on failure the lengths and CRCs are 0 and a rejected
// meta block is not taken into info. oldBootLoader: see LayoutHexImage.
ImageLoad LoadHexImage(const QByteArray& text, HexInfo& info, bool oldBootLoader, CellGrid& grid);
// A BIN image from the bytes of its file; its whole rows stay on the grid even when it fails.
ImageLoad LoadBinImage(const QByteArray& bytes, HexInfo& info, CellGrid& grid);
