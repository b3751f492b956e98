// action "Line"
int run()
{
}
// last of "Line"
