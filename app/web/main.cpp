// trakmor in the browser: the game in a canvas of the page.
#include "app/web/web_main.h"
#include "platform/random.h"

int main() {
    platform::MersenneRandom random;
    return web::Main(random);
}
