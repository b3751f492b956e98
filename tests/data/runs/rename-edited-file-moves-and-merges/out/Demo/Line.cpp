// action "Line"
void run()
{
    draw();
}
// end of "Line"
