// action "Arc"
void run()
{
}
// last of "Arc"
