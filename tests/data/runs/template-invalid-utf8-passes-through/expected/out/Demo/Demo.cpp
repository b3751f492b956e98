Ã( ÿþ Demo í €
