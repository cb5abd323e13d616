REM Quintara Uebersicht 2.0
REM Zeigt eine kurze Uebersicht der Quintara-Skripte, fuer deutschsprachige Anwender.
REM Part of Quintara 2.0 by Halvorn. Installed by Skelda Setup.

#include "Quintara Common.csi"

DIM Text$
Text$ = "Quintara 2.0 - Hilfe" + CHR(13) + CHR(13)
Text$ = Text$ + "Quintara Frame: zeichnet einen Rahmen um das ganze Bild." + CHR(13)
Text$ = Text$ + "Quintara Edge Glow: laesst die Kanten des Objekts leuchten." + CHR(13)
Text$ = Text$ + "Quintara Tile: wiederholt das Bild als Kacheln." + CHR(13) + CHR(13)
Text$ = Text$ + "Mehr in Quintara.txt im Skriptordner."
MESSAGE Text$
