// action "Arc"
void run()
{
}
// end of "Arc"
