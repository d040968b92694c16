// Placeholder entry until the platform and the game land.
int main() { return 0; }
