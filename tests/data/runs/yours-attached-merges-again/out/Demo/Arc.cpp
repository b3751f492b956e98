// action "Arc"
void run()
{
    draw();
}
// end of "Arc"
