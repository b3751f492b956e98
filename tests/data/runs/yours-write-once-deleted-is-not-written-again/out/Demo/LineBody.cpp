// body of "Line"
void body()
{
}
