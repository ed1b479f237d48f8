// The library operations: look-up, removal, stages and the text limits.
#include "library_fixture.h"

using ScriptModel = LibraryTest;

TEST_F(ScriptModel, FindScriptIgnoresCaseAndAnswersTheFirstOfDuplicates) {
    EXPECT_EQ(findScript("a"), nullptr);
    Script* first = appendScript("Sky");
    Script* second = appendScript("SKY");
    EXPECT_EQ(findScript("sKy"), first);
    EXPECT_EQ(findScript("sky2"), nullptr);
    removeScript(first);
    EXPECT_EQ(findScript("sky"), second);
    EXPECT_EQ(scriptLibrary, second);
}

TEST_F(ScriptModel, RemoveAndEmptyKeepTheListLinked) {
    Script* a = appendScript("a");
    Script* b = appendScript("b");
    Script* c = appendScript("c");
    appendStage(b)->animFrameCount = 0;
    emptyScript(b);
    EXPECT_EQ(b->next, c);
    EXPECT_STREQ(b->name, "");
    EXPECT_EQ(b->stages, nullptr);
    removeScript(b);
    EXPECT_EQ(a->next, c);
    removeScript(a);
    EXPECT_EQ(scriptLibrary, c);
    removeScript(nullptr);
    EXPECT_EQ(libraryScripts().size(), 1u);
}

TEST_F(ScriptModel, StagesAppendResetAndDeleteByIndex) {
    Script* script = appendScript("s");
    Stage* first = appendStage(script);
    Stage* second = appendEmptyStage(script);
    EXPECT_STREQ(first->map, "pics/noimage.tga");
    EXPECT_STREQ(second->map, "");
    EXPECT_EQ(first->lightmap, 1);
    EXPECT_EQ(first->next, second);

    first->envmap = 1;
    first->lightmap = 0;
    first->rotateSpeed = 3.0f;
    resetStage(first);
    EXPECT_STREQ(first->map, "pics/noimage.tga");
    EXPECT_EQ(first->next, second);
    EXPECT_EQ(first->lightmap, 1);
    EXPECT_EQ(first->envmap, 0);
    EXPECT_EQ(first->rotateSpeed, 0.0f);

    deleteStageAt(script, 2);
    deleteStageAt(script, -1);
    EXPECT_EQ(stagesOf(script).size(), 2u);
    deleteStageAt(script, 1);
    EXPECT_EQ(first->next, nullptr);
    deleteStageAt(script, 0);
    EXPECT_EQ(script->stages, nullptr);
}
