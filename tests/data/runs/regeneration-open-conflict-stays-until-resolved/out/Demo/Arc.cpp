// action "Arc"
void run(int)
{
}
// end of "Arc"
