filesection: main
﻿// %PROJECTNAME%
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAME%
filesectionend:
