// Reef Raiders: an add-on map set of three missions, a side story of the war at sea.
// The pictures are drawn by hudart, the missions are Reef1.ses .. Reef3.ses beside this file.
BUTTONNAME=REEF RAIDERS
BUTTONMOUSEIN=Menu\Reef\Button_In.png
BUTTONMOUSEOUT=Menu\Reef\Button_Out.png
FIRSTSCREEN=Menu\Reef\First.png
LASTSCREEN=Menu\Reef\Last.png
FIRSTLEVEL=Reef1.ses
SHOWSCORE=FALSE
