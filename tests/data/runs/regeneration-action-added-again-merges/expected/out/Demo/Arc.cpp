// action "Arc"
void run() // mine
{
}
// last of "Arc"
