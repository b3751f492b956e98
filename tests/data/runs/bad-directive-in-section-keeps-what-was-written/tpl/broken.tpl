filesection: broken
kept
@ENDIF
lost
