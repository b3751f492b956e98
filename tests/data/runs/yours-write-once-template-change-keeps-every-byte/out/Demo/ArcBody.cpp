// body of "Arc"
void body()
{
}
