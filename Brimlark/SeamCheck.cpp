// Linked with every object of the application library and none of the Linux bodies: the program
// only links while nothing in the application calls into platform/linux. It is built, never run.
int main() {
    return 0;
}
