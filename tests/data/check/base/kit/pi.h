/* stand-in kit header */
