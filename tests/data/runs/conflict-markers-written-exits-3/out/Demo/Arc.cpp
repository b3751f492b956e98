// action "Arc"
void run()
{
}
// my end of "Arc"
