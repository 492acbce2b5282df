// A library that stands beside the test programs and nowhere else, as one planted beside the
// program would.
extern "C" __declspec(dllexport) int PlantedLibraryMark() {
    return 1;
}
