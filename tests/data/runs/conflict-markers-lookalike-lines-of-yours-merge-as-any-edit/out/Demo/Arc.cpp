// action "Arc"
const char* sample = R"(
<<<<<<< yours
||||||| base
=======
>>>>>>> new
)";
void run()
{
}
// end of "Arc"
