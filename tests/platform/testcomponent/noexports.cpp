// A shared library that is no component library: none of the four entry points.
extern "C" __attribute__((visibility("default"))) int vellocFixtureAnswer()
{
    return 42;
}
