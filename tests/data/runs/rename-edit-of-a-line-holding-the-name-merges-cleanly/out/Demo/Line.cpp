// action "Line"
void run()
{
}
// my end of "Line"
