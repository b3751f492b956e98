// action "Arc"
void run()
{
}
<<<<<<< yours
// my end of "Arc"
||||||| base
// end of "Arc"
=======
// last of "Arc"
>>>>>>> new
