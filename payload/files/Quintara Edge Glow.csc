REM Quintara Edge Glow 2.0
REM Finds the edges of the selected object and lets them glow in the paint
REM colour, softly fading into the background over a chosen distance.
REM Part of Quintara 2.0 by Halvorn. Installed by Skelda Setup.

#include "Quintara Common.csi"

CONST QG_STEPS% = 8

GLOBAL GlowRadius%
GLOBAL GlowStrength%

BEGIN DIALOG OBJECT GlowDialog 220, 96, "Quintara Edge Glow", SUB GlowDialogHandler
    TEXT  8, 10, 80, 10, .RadiusLabel, "Glow &radius:"
    SPINCONTROL  92, 8, 40, 12, .RadiusSpin
    TEXT  8, 28, 80, 10, .StrengthLabel, "&Strength (%):"
    SPINCONTROL  92, 26, 40, 12, .StrengthSpin
    OKBUTTON  108, 72, 50, 14, .OK
    CANCELBUTTON  164, 72, 50, 14, .Cancel
END DIALOG

SUB GlowDialogHandler(BYVAL ControlID%, BYVAL Event%)
    IF Event% = 0 THEN
        GlowDialog.RadiusSpin.SetMinRange 1
        GlowDialog.RadiusSpin.SetMaxRange 64
        GlowDialog.RadiusSpin.SetValue 12
        GlowDialog.StrengthSpin.SetMinRange 1
        GlowDialog.StrengthSpin.SetMaxRange 100
        GlowDialog.StrengthSpin.SetValue 70
    ENDIF
END SUB

SUB GlowPass(Pass%, Radius%, Strength%)
    DIM Spread%, Opacity%
    Spread% = (Radius% * Pass%) \ QG_STEPS%
    IF Spread% < 1 THEN Spread% = 1
    Opacity% = Strength% - (Strength% * (Pass% - 1)) \ QG_STEPS%
    WITHOBJECT "CorelPhotoPaint.Automation.9"
        .ObjectDuplicate
        .EffectEdgeDetect 0, 5
        .EffectGaussianBlur Spread%
        .ObjectOpacity Opacity%
        .ObjectMergeMode 8
    END WITHOBJECT
END SUB

REM ---- main ----
IF NOT QuintaraHasObject() THEN
    MESSAGE "Select an object first: Quintara Edge Glow works on one object."
    STOP
ENDIF
IF DIALOG(GlowDialog) <> 1 THEN STOP
GlowRadius% = GlowDialog.RadiusSpin.GetValue()
GlowStrength% = GlowDialog.StrengthSpin.GetValue()
QuintaraBeginUndoGroup "Quintara Edge Glow"
DIM Pass%
FOR Pass% = 1 TO QG_STEPS%
    GlowPass Pass%, GlowRadius%, GlowStrength%
NEXT Pass%
WITHOBJECT "CorelPhotoPaint.Automation.9"
    .ObjectCombineAll
END WITHOBJECT
QuintaraEndUndoGroup
