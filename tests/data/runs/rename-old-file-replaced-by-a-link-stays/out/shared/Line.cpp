// action "Line"
void run()
{
}
// end of "Line"
