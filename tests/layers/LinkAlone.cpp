// Nothing to run: the program exists so that the linker resolves one layer's every object against
// the layers below it and nothing else.
int main() {
    return 0;
}
