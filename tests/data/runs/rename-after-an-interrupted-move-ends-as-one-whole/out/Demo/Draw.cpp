// action "Draw"
void run()
{
    draw();
}
// end of "Draw"
