REM Quintara Tile 2.0
REM Repeats the active image as tiles on a new, larger image, with an optional
REM gap and a mirrored copy in every other row, for seamless backgrounds.
REM Part of Quintara 2.0 by Halvorn. Installed by Skelda Setup.

#include "Quintara Common.csi"

GLOBAL Columns%
GLOBAL Rows%
GLOBAL Gap%
GLOBAL Mirror BOOLEAN

BEGIN DIALOG OBJECT TileDialog 220, 132, "Quintara Tile", SUB TileDialogHandler
    TEXT  8, 10, 70, 10, .ColumnsLabel, "&Columns:"
    SPINCONTROL  84, 8, 36, 12, .ColumnsSpin
    TEXT  8, 28, 70, 10, .RowsLabel, "&Rows:"
    SPINCONTROL  84, 26, 36, 12, .RowsSpin
    TEXT  8, 46, 70, 10, .GapLabel, "&Gap (pixels):"
    SPINCONTROL  84, 44, 36, 12, .GapSpin
    CHECKBOX  8, 64, 150, 10, .MirrorCheck, "&Mirror every other row"
    OKBUTTON  108, 108, 50, 14, .OK
    CANCELBUTTON  164, 108, 50, 14, .Cancel
END DIALOG

SUB TileDialogHandler(BYVAL ControlID%, BYVAL Event%)
    IF Event% = 0 THEN
        TileDialog.ColumnsSpin.SetMinRange 1
        TileDialog.ColumnsSpin.SetMaxRange 16
        TileDialog.ColumnsSpin.SetValue 3
        TileDialog.RowsSpin.SetMinRange 1
        TileDialog.RowsSpin.SetMaxRange 16
        TileDialog.RowsSpin.SetValue 3
        TileDialog.GapSpin.SetMinRange 0
        TileDialog.GapSpin.SetMaxRange 100
        TileDialog.GapSpin.SetValue 0
        TileDialog.MirrorCheck.SetValue 0
    ENDIF
END SUB

REM ---- main ----
IF NOT QuintaraHasImage() THEN
    MESSAGE "Quintara Tile needs an open image."
    STOP
ENDIF
IF DIALOG(TileDialog) <> 1 THEN STOP
Columns% = TileDialog.ColumnsSpin.GetValue()
Rows% = TileDialog.RowsSpin.GetValue()
Gap% = TileDialog.GapSpin.GetValue()
Mirror = TileDialog.MirrorCheck.GetValue() = 1

DIM TileWidth&, TileHeight&, Column%, Row%, Left&, Top&
WITHOBJECT "CorelPhotoPaint.Automation.9"
    TileWidth& = .GetDocumentWidth()
    TileHeight& = .GetDocumentHeight()
    .EditCopy
    .FileNew Columns% * (TileWidth& + Gap%) - Gap%, Rows% * (TileHeight& + Gap%) - Gap%, 1, 72, 72, FALSE, FALSE, 1, 0, 0, 0, 0, 255, 255, 255, 0, FALSE
    QuintaraBeginUndoGroup "Quintara Tile"
    FOR Row% = 0 TO Rows% - 1
        FOR Column% = 0 TO Columns% - 1
            Left& = Column% * (TileWidth& + Gap%)
            Top& = Row% * (TileHeight& + Gap%)
            .EditPasteObject Left&, Top&
            IF Mirror AND (Row% MOD 2) = 1 THEN .ObjectFlip 1
        NEXT Column%
    NEXT Row%
    .ObjectCombineAll
    QuintaraEndUndoGroup
END WITHOBJECT
