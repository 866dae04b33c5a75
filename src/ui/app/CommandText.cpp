#include "ui/app/CommandText.h"

#include <QHash>

#include "ui/app/CommandIds.h"

namespace {

const QHash<int, QString>& Strings() {
    static const QHash<int, QString> strings = {
        {ID_SAMPLE_PLAY, QStringLiteral("Play the current selection\nPlay")},
        {ID_SAMPLE_RECORD, QStringLiteral("Record a new sample\nRecord")},
        {ID_EDIT_DELETE, QStringLiteral("Delete the selection\nDelete\nDelete")},
        {ID_VIEW_ZOOMIN, QStringLiteral("Zoom into the current selection\nZoom In")},
        {ID_VIEW_ZOOMOUT, QStringLiteral("Zoom Out\nZoom Out")},
        {ID_SAMPLE_AMPLIFY, QStringLiteral("Adjust the sample amplification level\nAmplify")},
        {ID_SAMPLE_CONVERT,
         QStringLiteral("Convert the current sample to one of a different type\nConvert")},
        {ID_EDIT_PROPERTIES, QStringLiteral("Edits properties of the current sample\nProperites")},
        {ID_WINDOW_CLOSEALL, QStringLiteral("Close All Windows")},
        {ID_SAMPLE_CHANGESIGN, QStringLiteral("Change the sign of the data\nChange Sign")},
        {ID_SAMPLE_DECODEULAW, QStringLiteral("Decode uLaw data in sample\nDecode uLaw")},
        {ID_SAMPLE_ENVELOPE, QStringLiteral("Adjust the sample Envelope\nEnvelope")},
        {ID_SAMPLE_REVERSE, QStringLiteral("Reverse the current selection\nReverse")},
        {ID_SAMPLE_PEAKSEARCH, QStringLiteral("Find the loudest part of a selection\nPeak Search")},
        {ID_SAMPLE_PANNING, QStringLiteral("Pan the sample across stereo channels\nPanning")},
        {ID_VIEW_MAINTOOLBAR, QStringLiteral("Show or hide the main toolbar")},
        {ID_VIEW_UTILITIESTOOLBAR, QStringLiteral("Show or hide the utilities toolbar")},
        {ID_HELP_CONTENTS, QStringLiteral("Online Help")},
        {ID_ZOOM_1, QStringLiteral("View at 1:1")},
        {ID_ZOOM_10, QStringLiteral("View at 10:1")},
        {ID_ZOOM_100, QStringLiteral("View at 100:1")},
        {ID_ZOOM_ALL, QStringLiteral("Zoom Out")},
        {32799, QStringLiteral("Mix the current selections")},
        {32800, QStringLiteral("Remove any end padding")},
        {32801, QStringLiteral("Add a new input for mixing")},
        {ID_SAMPLE_COMPRESSOR,
         QStringLiteral("Compress / Expand the volume range\nCompressor / Expander")},
        // The application framework's own prompts.
        {ID_FILE_NEW, QStringLiteral("Create a new document\nNew")},
        {ID_FILE_OPEN, QStringLiteral("Open an existing document\nOpen")},
        {ID_FILE_CLOSE, QStringLiteral("Close the active document\nClose")},
        {ID_FILE_SAVE, QStringLiteral("Save the active document\nSave")},
        {ID_FILE_SAVE_AS, QStringLiteral("Save the active document with a new name\nSave As")},
        {ID_FILE_MRU_FILE1, QStringLiteral("Open this document")},
        {ID_APP_EXIT, QStringLiteral("Quit the application; prompts to save documents\nExit")},
        {ID_EDIT_COPY, QStringLiteral("Copy the selection and put it on the Clipboard\nCopy")},
        {ID_EDIT_CUT, QStringLiteral("Cut the selection and put it on the Clipboard\nCut")},
        {ID_EDIT_PASTE, QStringLiteral("Insert Clipboard contents\nPaste")},
        {ID_EDIT_UNDO, QStringLiteral("Undo the last action\nUndo")},
        {ID_WINDOW_NEW, QStringLiteral("Open another window for the active document\nNew Window")},
        {ID_WINDOW_ARRANGE,
         QStringLiteral("Arrange icons at the bottom of the window\nArrange Icons")},
        {ID_WINDOW_CASCADE, QStringLiteral("Arrange windows so they overlap\nCascade Windows")},
        {ID_WINDOW_TILE_HORZ,
         QStringLiteral("Arrange windows as non-overlapping tiles\nTile Windows")},
        {ID_APP_ABOUT,
         QStringLiteral("Display program information, version number and copyright\nAbout")},
        {ID_VIEW_STATUS_BAR, QStringLiteral("Show or hide the status bar\nToggle StatusBar")},
    };
    return strings;
}

}  // namespace

QString CommandString(int id) {
    return Strings().value(id);
}

QString CommandPrompt(int id) {
    return CommandString(id).section(QLatin1Char('\n'), 0, 0);
}

QString CommandToolTip(int id) {
    const QString text = CommandString(id);
    const int brk = text.indexOf(QLatin1Char('\n'));
    return brk < 0 ? QString() : text.mid(brk + 1).section(QLatin1Char('\n'), 0, 0);
}
