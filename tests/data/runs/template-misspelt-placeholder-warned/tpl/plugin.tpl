filesection: main
// %PROJECTNAME% for %PROJECTNAMX% at 100% of %PROJECTNAMX%, printf("%s%d")
filesectionend:
filesection: action
// action %ACDF_IDX%: %ACDF_NAMEE%
filesectionend:
