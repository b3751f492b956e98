// action "Arc"
void run() // mine
{
}
// end of "Arc"
