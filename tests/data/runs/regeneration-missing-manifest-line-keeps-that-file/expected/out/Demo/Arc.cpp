// action "Arc"
void run()
{
    draw();
}
// last of "Arc"
