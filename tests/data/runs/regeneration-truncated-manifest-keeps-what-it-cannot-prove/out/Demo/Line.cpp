// action "Line"
void run() // mine
{
}
// end of "Line"
