filesection: main
%APPINTERFACECLASSNAME%
