// action "Line"
void run()
{
}
// last of "Line"
