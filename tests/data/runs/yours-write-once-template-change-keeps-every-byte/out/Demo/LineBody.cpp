// body of "Line"
void body()
{
    draw();
}
