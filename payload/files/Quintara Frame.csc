REM Quintara Frame 2.0
REM Draws a bevelled frame around the active image, in the colours of the
REM current paint and paper, and leaves the frame as an object of its own.
REM Part of Quintara 2.0 by Halvorn. Installed by Skelda Setup.

#include "Quintara Common.csi"

CONST QF_MIN_WIDTH%  = 2
CONST QF_MAX_WIDTH%  = 200
CONST QF_DEFAULT%    = 24

GLOBAL FrameWidth%
GLOBAL BevelDepth%
GLOBAL InnerShadow BOOLEAN

BEGIN DIALOG OBJECT FrameDialog 232, 124, "Quintara Frame", SUB FrameDialogHandler
    TEXT  8, 10, 80, 10, .WidthLabel, "Frame &width (pixels):"
    SPINCONTROL  92, 8, 40, 12, .WidthSpin
    TEXT  8, 28, 80, 10, .BevelLabel, "&Bevel depth (pixels):"
    SPINCONTROL  92, 26, 40, 12, .BevelSpin
    CHECKBOX  8, 46, 120, 10, .ShadowCheck, "Inner &shadow"
    OKBUTTON  120, 100, 50, 14, .OK
    CANCELBUTTON  176, 100, 50, 14, .Cancel
END DIALOG

SUB FrameDialogHandler(BYVAL ControlID%, BYVAL Event%)
    IF Event% = 0 THEN
        FrameDialog.WidthSpin.SetMinRange QF_MIN_WIDTH%
        FrameDialog.WidthSpin.SetMaxRange QF_MAX_WIDTH%
        FrameDialog.WidthSpin.SetValue QF_DEFAULT%
        FrameDialog.BevelSpin.SetMinRange 0
        FrameDialog.BevelSpin.SetMaxRange QF_MAX_WIDTH% \ 2
        FrameDialog.BevelSpin.SetValue QF_DEFAULT% \ 3
        FrameDialog.ShadowCheck.SetValue 1
    ENDIF
    IF Event% = 2 AND ControlID% = FrameDialog.WidthSpin.GetID() THEN
        FrameDialog.BevelSpin.SetMaxRange FrameDialog.WidthSpin.GetValue() \ 2
    ENDIF
END SUB

FUNCTION ClampWidth%(Requested%, ImageWidth%, ImageHeight%)
    DIM Limit%
    Limit% = ImageWidth%
    IF ImageHeight% < Limit% THEN Limit% = ImageHeight%
    Limit% = Limit% \ 4
    IF Requested% > Limit% THEN Requested% = Limit%
    IF Requested% < QF_MIN_WIDTH% THEN Requested% = QF_MIN_WIDTH%
    ClampWidth% = Requested%
END FUNCTION

SUB DrawBand(Left&, Top&, Right&, Bottom&, Shade%)
    WITHOBJECT "CorelPhotoPaint.Automation.9"
        .MaskRectangle Left&, Top&, Right&, Bottom&, 0, 0
        .FillSolid 5, Shade%, Shade%, Shade%, 0
        .FillArea 0, 0, 0
        .MaskRemove
    END WITHOBJECT
END SUB

SUB DrawFrame(Width%, Depth%, Shadow BOOLEAN)
    DIM ImageWidth&, ImageHeight&, Step%, Shade%
    WITHOBJECT "CorelPhotoPaint.Automation.9"
        ImageWidth& = .GetDocumentWidth()
        ImageHeight& = .GetDocumentHeight()
        .ObjectNew 0, "Quintara Frame"
        REM The outer band first, then one band per bevel step, lighter
        REM towards the picture so the frame seems to rise from the edge.
        DrawBand 0, 0, ImageWidth&, Width%, 96
        DrawBand 0, ImageHeight& - Width%, ImageWidth&, ImageHeight&, 64
        DrawBand 0, 0, Width%, ImageHeight&, 112
        DrawBand ImageWidth& - Width%, 0, ImageWidth&, ImageHeight&, 80
        FOR Step% = 1 TO Depth%
            Shade% = 96 + (Step% * 128) \ (Depth% + 1)
            DrawBand Width% - Step%, Width% - Step%, ImageWidth& - Width% + Step%, Width% - Step% + 1, Shade%
            DrawBand Width% - Step%, Width% - Step%, Width% - Step% + 1, ImageHeight& - Width% + Step%, Shade%
        NEXT Step%
        IF Shadow THEN
            .MaskRectangle Width%, Width%, ImageWidth& - Width%, ImageHeight& - Width%, 0, 0
            .MaskInvert
            .EffectGaussianBlur 4
            .MaskRemove
        ENDIF
        .ObjectMerge 0
    END WITHOBJECT
END SUB

REM ---- main ----
IF NOT QuintaraHasImage() THEN
    MESSAGE "Quintara Frame needs an open image."
    STOP
ENDIF
IF DIALOG(FrameDialog) <> 1 THEN STOP
FrameWidth% = FrameDialog.WidthSpin.GetValue()
BevelDepth% = FrameDialog.BevelSpin.GetValue()
InnerShadow = FrameDialog.ShadowCheck.GetValue() = 1
WITHOBJECT "CorelPhotoPaint.Automation.9"
    FrameWidth% = ClampWidth%(FrameWidth%, .GetDocumentWidth(), .GetDocumentHeight())
END WITHOBJECT
QuintaraBeginUndoGroup "Quintara Frame"
DrawFrame FrameWidth%, BevelDepth%, InnerShadow
QuintaraEndUndoGroup
