// action "Bow"
void run()
{
}
// end of "Bow"
