// %PROJECTNAME and 100%
// %%
