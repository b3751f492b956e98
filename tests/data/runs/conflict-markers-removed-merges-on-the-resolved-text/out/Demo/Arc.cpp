// action "Arc"
void run()
{
}
// my last of "Arc"
